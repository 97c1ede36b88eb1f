#include "document/IDocClient.h"

namespace {
IDocClient* g_pDocClient = nullptr;
}

IDocClient* GetDocClient() { return g_pDocClient; }

void SetDocClient(IDocClient* pClient) { g_pDocClient = pClient; }
