#pragma once

class CKVObject;

// Told when an object of a drawing is destroyed. A top-level object carries the watcher of
// the drawing holding it (the document a window shows); an object inside a group reaches
// it through its top-level group.
class IObjectWatcher {
 public:
  virtual ~IObjectWatcher() = default;
  virtual void ObjectDestroyed(const CKVObject* pObj) = 0;
};
