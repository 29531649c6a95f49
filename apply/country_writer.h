// Writes a resolved country into every unhandled supported adapter instance.
#pragma once

#include "regulatory/country_table.h"

// Under each instance key: "CountryName", "CountryCode" and "DomainCode"; under its
// "Ndi\Params\SelectedChannel\enum" key: the values "1" to "14" removed, then one value per
// channel of the plan. Keys are only opened, never created.
void ConfigureAdapters(const CountryChoice& choice);
