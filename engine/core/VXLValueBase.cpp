#include "engine/core/VXLValueBase.h"

CVXLValueBase::~CVXLValueBase() = default;
