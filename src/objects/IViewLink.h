#pragma once

class CKVObject;

// What drawing objects need from the single editing view: word of an object going. The
// view implements it and registers itself here from its constructor (and clears it from
// its destructor), so that the objects reach the view without depending on its class.
class IViewLink {
 public:
  virtual ~IViewLink() = default;

  // --- Objects going ---
  // The object is being destroyed: anything the view keeps about objects may name it.
  virtual void ObjectDestroyed(const CKVObject* /*pObj*/) {}
};

// The registered view, or null when there is none (tests, command-line conversions).
IViewLink* GetViewLink();
void SetViewLink(IViewLink* pLink);
