#include "engine/core/base/VXLValueBase.h"

CVXLValueBase::~CVXLValueBase() = default;
