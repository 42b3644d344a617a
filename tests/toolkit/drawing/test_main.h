// What the drawing tests are given on their command line.
#pragma once

#include <string>

// The Office 2007 image set's resource module built beside the tests.
const std::wstring& Office2007ModulePath();
