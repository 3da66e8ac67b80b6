// Team record reader: any bytes must read without a crash, and whatever reads
// must write back and read again to the same record.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "league/field_splitter.h"
#include "league/team_record_format.h"

namespace {

using namespace qgu::league;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::istringstream whole(text);
  const Result<TeamRecord> record = ParseTeamRecord(whole);
  std::istringstream firstLine(text);
  const Result<TeamHeader> header = ParseFirstTeamLine(firstLine);
  const Result<TeamHeader> rawLine = ParseTeamLine(text);
  (void)rawLine;
  (void)SplitFields(text, kStatsSeparator);

  if (!record.ok()) return 0;
  Check(header.ok() && header.value() == record.value().header);
  Check(record.value().header.fieldCount >= 0 && record.value().header.fieldCount <= kTeamFieldCount);

  const Result<std::string> written = FormatTeamRecord(record.value());
  if (!written.ok()) return 0;  // a text the layout cannot hold (CR or NUL inside a field)
  std::istringstream again(written.value());
  const Result<TeamRecord> reread = ParseTeamRecord(again);
  Check(reread.ok());
  TeamRecord expected = record.value();
  expected.header.fieldCount = kTeamFieldCount;
  Check(reread.value() == expected);
  Check(FormatTeamRecord(reread.value()).value() == written.value());
  return 0;
}
