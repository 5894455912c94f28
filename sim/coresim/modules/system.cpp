// coresim's answers for the system module (login, accounts, maintenance).
#include "modules.h"

extern const CoreModule kCoreSystem = {"system",
                                       R"(# Mail-link login check: 0 = the link is valid.
3504 builder=status_ok
)",
                                       {}};
