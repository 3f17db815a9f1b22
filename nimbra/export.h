#pragma once

// The library exports only the classes meant for its users; everything else stays hidden.
#define NIMBRA_API __attribute__((visibility("default")))
