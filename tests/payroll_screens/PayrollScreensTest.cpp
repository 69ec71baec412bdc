#include "PayrollScreens.h"

#include <gtest/gtest.h>
