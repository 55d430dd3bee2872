#pragma once

#include <cstddef>
#include <string_view>

#include "common/stage_context.h"

// Whether a detailed listing of `values` values is to be written, given the
// context's listing limit. When it is not, writes instead the line
// "** <name> omise : <values> valeurs (plus de <limit>)."; `name` is the
// listing's French name, e.g. "Liste des flots".
bool listing_fits(const StageContext& context, std::string_view name, std::size_t values);
