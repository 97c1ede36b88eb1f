// The core including Qt: refused.
#pragma once
#include <QPainter>
