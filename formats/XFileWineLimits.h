// Whether Wine's reader (d3dxof) can read an .x body within its fixed tables. It keeps what it
// reads in arrays of fixed size and fills most of them without looking at their size: a file
// that goes past one corrupts its memory, and the viewer with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Wine's tables, the same in Wine 8 and 10 (d3dxof_private.h), as the file may fill them.
// Names are copied into 40 bytes with their zero: template, member, restriction and object names.
constexpr size_t kLongestWineName = 39;
// Templates go into one table of 200 for the whole load, and before the file's own it holds
// Wine's reserved first entry and the 35 that D3DX registers.
constexpr size_t kWineTemplateTable = 200;
constexpr size_t kTemplatesBeforeTheFile = 36;
constexpr size_t kMostFileTemplates = kWineTemplateTable - kTemplatesBeforeTheFile;
// Members of one template, restrictions of one template, children of one object.
constexpr size_t kMostWineMembers = 50;
constexpr size_t kMostWineChildren = 200;
// Wine's reader and D3DX after it recurse once for each level of nested objects, on the
// viewer's stack; real files nest a few dozen levels.
constexpr size_t kDeepestNesting = 256;
// Where Wine's reader stops by itself: after 500 objects at the top of a file, and within one of
// them past 2,000 objects and references in all, itself included.
constexpr size_t kMostWineObjects = 500;
// D3DX makes an object, a few hundred bytes, of each object of a file and again of each one that
// a reference brings in; real files make a few thousand.
constexpr uint64_t kMostObjectsMade = 100000;
constexpr size_t kMostWineSubObjects = 2000;

// True when Wine's reader stays within its tables and does bounded work on the body of `file`
// (an .x file as the loader gets it: text or binary, never compressed), reading it as far as
// Wine's reader would before it stops.
bool XFileFitsWinesReader(std::string_view file);
