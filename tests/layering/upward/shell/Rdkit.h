// RDKit outside chemistry, even in the shell: refused.
#pragma once
#include <GraphMol/RWMol.h>
#include <inchi_api.h>
