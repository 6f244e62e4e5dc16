#include "engine/performance_state.h"

PerformanceState performance;
