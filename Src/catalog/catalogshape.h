// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

namespace catalog {

// Makes a parsed document safe to show, launch and edit, changing as little
// as it can:
// - a root that is not an object becomes an empty object;
// - a "type" that is not an array is removed (the default Type then shows);
// - Types, Groups and Items that are not objects are removed;
// - a missing or non-string "name", "path" or "param" becomes "";
// - a Group's missing or non-array "item", and a Type's non-array "group",
//   become [] (a Type without "group" is sound and stays so);
// - a kind code that is not an integer fitting 32 bits becomes the integer
//   it spells (0.0 -> 0) or, failing that, 0 (file).
// Members the program does not know stay where they are. Returns the number
// of repairs; any repair means the file was not shown whole.
int repairShape(Document& doc);

} // namespace catalog
