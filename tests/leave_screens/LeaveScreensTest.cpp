#include "LeaveScreens.h"

#include <gtest/gtest.h>
