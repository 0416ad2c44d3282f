#include "ScreenSelection.h"

ScreenSelection::~ScreenSelection() = default;
