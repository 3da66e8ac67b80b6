#pragma once
// The dynasty's web pages: an index with the champions and the record book,
// and one page a year (the season's own page), each self-contained, to put
// on a league's site as they are.

#include <string>
#include <vector>

#include "base/result.h"
#include "dynasty/dynasty.h"

namespace qgu::dynasty {

struct ReportPage {
  std::string file;  // "index.html", "year-2031.html"
  std::string html;
};

base::Result<std::vector<ReportPage>> DynastyReport(const Dynasty& dynasty);

}  // namespace qgu::dynasty
