// What the skin tests are given on their command line, as Windows paths.
#pragma once

#include <string>

struct SkinTestEnv {
  std::wstring library;   // the project's skin library
  std::wstring folder;    // the same skin as a folder
  std::wstring withCode;  // a skin library with code of its own
  std::wstring probe;     // a library that reads a system colour through its import
  std::wstring ragged;        // a small skin library with untidy text
  std::wstring raggedFolder;  // the same skin as a folder
};

const SkinTestEnv& TestEnv();
