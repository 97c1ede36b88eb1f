// Chemistry including the document below it and RDKit: allowed.
#pragma once
#include <GraphMol/RWMol.h>

#include "document/CKvillDoc.h"
