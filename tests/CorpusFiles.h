#pragma once
// The corpus of public PDFs kept in tests/corpus (see its MANIFEST.tsv), for tests that run once
// per file: GoogleTest value-parameterised suites over CorpusFiles(), named by CorpusFileName.
// The folder comes from CORVEL_CORPUS_DIR, set by CMake, so that tests never depend on where
// they are run from.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#ifndef CORVEL_CORPUS_DIR
#error "CORVEL_CORPUS_DIR must name the corpus folder (set by the test's CMakeLists.txt)"
#endif

namespace CorvelTest {

inline std::filesystem::path CorpusFolder() { return CORVEL_CORPUS_DIR; }

// Every PDF of the corpus, sorted, as path strings (GoogleTest prints strings; it cannot print
// a std::filesystem::path). Empty when the folder is missing or holds none: each test binary
// that runs over the corpus also asserts that it is not empty, so a lost corpus fails.
inline std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusFolder(), error)) {
    if (entry.path().extension() == ".pdf") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The file's name without ".pdf", every character other than a letter or digit turned into
// '_': "pdfjs__knockout_nested", "verapdf__6_2_10_t01_fail_d".
inline std::string CorpusFileName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = std::filesystem::path(info.param).stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

}  // namespace CorvelTest
