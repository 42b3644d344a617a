#pragma once

// Enters the library's classes into the program's class list.
void RegisterNamedClasses();
