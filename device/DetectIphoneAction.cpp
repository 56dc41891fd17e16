#include "DetectIphoneAction.h"
