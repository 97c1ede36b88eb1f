// The resources leaf including a layer: refused.
#pragma once
#include "objects/Geometry.h"
#include "resources/CommandIds.h"
