#include "AAudioGroup.h"

AAudioGroup::AAudioGroup() = default;

AAudioGroup::~AAudioGroup() = default;
