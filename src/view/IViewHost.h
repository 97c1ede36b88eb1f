#pragma once

#include "view/IFrameServices.h"
#include "view/IViewWindow.h"

// The window the view lives in and the frame around it, given as one: the shell's view
// widget is both (it passes the frame's services on to its frame); tests use a fake of both.
class IViewHost : public IViewWindow, public IFrameServices {};
