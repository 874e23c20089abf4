// A core file that reaches up to a window: the floor check must refuse it.
#include "records/windows/main_window.h"
#include "store/dataset.h"
