// Names and numbers of the visual-styles vocabulary that skin INI text uses: classes, parts,
// states, properties with their value types, and enumeration values.
#pragma once

#include <windows.h>

namespace SkinVocabulary {

enum ValueType {
  kTypeNone = 0,
  kTypeString = 1,
  kTypeInt = 2,
  kTypeBool = 3,
  kTypeColor = 4,
  kTypeRect = 5,
  kTypeFont = 6,
  kTypeIntList = 7,
  kTypeEnum = 8,
  kTypePosition = 9,
};

constexpr int kClassGlobals = 1;
constexpr int kClassDocumentation = 2;
constexpr int kClassSysMetrics = 3;
constexpr int kClassWindow = 6;

// Every lookup ignores case. Unknown names give 0.
int ClassId(const wchar_t* name);
const wchar_t* ClassName(int id);
int PartId(int classId, const wchar_t* part);
// The state group is named by the part name, or by the class name when there is no part.
int StateId(const wchar_t* group, const wchar_t* state);
// Property id and its value type; an unknown name gives id 0 and type 0.
int PropertyId(const wchar_t* name, ValueType* type);
// Enumeration value of a property (0-based), -1 when the name is not listed.
int EnumValue(int propertyId, const wchar_t* value);

}  // namespace SkinVocabulary
