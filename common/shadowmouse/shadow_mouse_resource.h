// Resource identifiers of the mouse effects.
#pragma once

#define IDB_SHADOW_POINTER 209
