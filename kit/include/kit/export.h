// Export macro of the kit layer. Both layers build with hidden default visibility;
// only what carries CKIT_API is visible outside libidkit.
#pragma once

#define CKIT_API __attribute__((visibility("default")))
