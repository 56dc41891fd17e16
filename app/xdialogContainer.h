#pragma once

// The dialog container lives in shellkit, whose message boxes use it too;
// the programs keep including it from here. The relative path keeps this
// file from finding itself first.
#include "../shellkit/xdialogContainer.h" // IWYU pragma: export
