#include "app/StatusPanel.h"
#include <gtest/gtest.h>
