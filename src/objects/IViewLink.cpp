#include "objects/IViewLink.h"

namespace {
IViewLink* g_pViewLink = nullptr;
}

IViewLink* GetViewLink() { return g_pViewLink; }

void SetViewLink(IViewLink* pLink) { g_pViewLink = pLink; }
