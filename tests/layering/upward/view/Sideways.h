// The view including chemistry, the layer beside it: refused.
#pragma once
#include "chemistry/CMoleculeSet.h"
