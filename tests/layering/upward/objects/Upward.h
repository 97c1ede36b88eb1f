// An object header that reaches the view: the layering check must refuse it.
#pragma once
#include "objects/Geometry.h"
#include "view/CKvillView.h"
