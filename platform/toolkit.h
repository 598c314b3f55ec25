#pragma once
// Everything a window of the program is written with: forms, controls, control arrays,
// timers, menus, events, and the named values of the forms runtime.
#include "buttons.h"
#include "control_array.h"
#include "controls.h"
#include "drive_lists.h"
#include "forms.h"
#include "frame.h"
#include "list_boxes.h"
#include "menu.h"
#include "picture_box.h"
#include "prompts.h"
#include "runtime.h"
#include "text_box.h"
#include "timer.h"

#include "vb_constants.h"
#include "vb_error.h"
