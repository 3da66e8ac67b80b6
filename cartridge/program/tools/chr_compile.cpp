// chr_compile: turns the cartridge's ASCII pixel-art sources into its
// character ROM (format in chr_compiler.h).
//
//   chr_compile --output FILE SOURCE...
//
// Any error is printed with its source line and nothing is written.

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cartridge/program/tools/chr_compiler.h"

int main(int argc, char** argv) {
  std::string output;
  std::vector<std::string> sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--output" && i + 1 < argc) {
      output = argv[++i];
    } else {
      sources.push_back(arg);
    }
  }
  if (output.empty() || sources.empty()) {
    std::cerr << "usage: chr_compile --output FILE SOURCE...\n";
    return 2;
  }
  qgu::cartridge::ChrCompiler compiler;
  for (const auto& source : sources) {
    if (!compiler.CompileFile(source)) {
      std::cerr << "chr_compile: error: " << compiler.Error() << "\n";
      return 1;
    }
  }
  std::ofstream out(output, std::ios::binary);
  const auto& rom = compiler.Rom();
  out.write(reinterpret_cast<const char*>(rom.data()), static_cast<std::streamsize>(rom.size()));
  if (!out) {
    std::cerr << "chr_compile: error: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
