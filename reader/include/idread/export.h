// Export macro of the reader layer. It builds with hidden default visibility like the
// layers below it; only what carries IDREAD_API is visible outside libidread.
#pragma once

#define IDREAD_API __attribute__((visibility("default")))
