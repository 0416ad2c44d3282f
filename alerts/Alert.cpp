#include "Alert.h"

Alert::Alert() = default;

Alert::~Alert() = default;
