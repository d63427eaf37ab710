#pragma once
#include "tests/support/QtPrinters.h"
