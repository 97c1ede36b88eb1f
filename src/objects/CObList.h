#pragma once

#include <list>
#include <memory>

class CKVObject;

// An owning, ordered list of drawing objects: the document's list and every group's list.
// Iterators stay valid while other elements are added or removed, and an element is
// unlinked in O(1) through its iterator.
using CObList = std::list<std::unique_ptr<CKVObject>>;
