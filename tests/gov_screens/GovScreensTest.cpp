#include "GovScreens.h"

#include <gtest/gtest.h>
