// Includes of lower layers and of the resources leaf: allowed.
#pragma once
#include <string>

#include "objects/Geometry.h"
#include "resources/CommandIds.h"
