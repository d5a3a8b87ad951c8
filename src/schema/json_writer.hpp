// The JSON writer belongs to the base layer (base/json_writer.hpp). This header only keeps the
// old include of the validator's result writer compiling until that file includes the base
// header itself.
#pragma once

#include "base/json_writer.hpp"
