#pragma once

// What drawing objects need from the single editing view. The view implements it and
// registers itself here from its constructor (and clears it from its destructor), so that
// the objects reach the view without depending on its class. There is no other global.
class IViewLink {
 public:
  virtual ~IViewLink() = default;

  // The handle that the last successful HitHandle found (1 to 8).
  virtual int GetActiveHandle() const = 0;
  virtual void SetActiveHandle(int nHandle) = 0;
  // True while a handle drag (a resize) is in progress.
  virtual bool IsResizing() const = 0;
};

// The registered view, or null when there is none (tests, command-line conversions).
IViewLink* GetViewLink();
void SetViewLink(IViewLink* pLink);
