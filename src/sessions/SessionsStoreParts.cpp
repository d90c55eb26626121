#include "sessions/SessionsStore.h"

namespace nimbrel {

NimbrelSessionsStore::Parts NimbrelSessionsStore::Parts::standard(Platform&) {
    return none();
}

} // namespace nimbrel
