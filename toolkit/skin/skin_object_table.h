// Which skin object the windows of each class get: the one place that knows every kind of
// skin object, so that the manager needs none of them.
#pragma once

#include <map>
#include <string>

class CTKSkinObject;

// Creates the skin object of one kind (none for a class that gets no object).
using CTKSkinObjectFactory = CTKSkinObject* (*)();

// The key of a window class in the table: its name in upper case.
std::wstring SkinClassKey(const wchar_t* className);

// The classes with an object of their own, and those left without one (a null factory), by
// key. An alias shares the factory of its class unless it is named itself.
std::map<std::wstring, CTKSkinObjectFactory> MakeSkinObjectTable();

// The object of dialogs and of every class the table does not name: a frame.
CTKSkinObject* MakeFrameSkinObject();
