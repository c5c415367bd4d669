#include "startup/hensuu1.h"

namespace kanameru {

SharedState reg;

void SharedState::reset()
{
    *this = SharedState();
}

} // namespace kanameru
