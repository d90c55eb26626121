#pragma once

#include "sessions/Session.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace nimbrel {

// What was made of each session of a list (its text, its card), kept with the session it was
// made from, so that the next pass over a list makes anew only what was made of sessions that
// changed. `variant` tells apart what is made of one session in more than one way (a card shown
// as active or not). A pass ends with `endPass`, which lets go of what the pass did not ask for.
template <typename Made> class KeptPerSession {
  public:
    // What was made of `session`, or what `make()` makes now; valid until the next call.
    template <typename Make> const Made& of(const NimbrelSession& session, int variant, Make make) {
        std::vector<Kept>& asked = asked_[session.id];
        if (auto kept = kept_.find(session.id); kept != kept_.end())
            for (auto it = kept->second.begin(); it != kept->second.end(); ++it)
                if (it->variant == variant && it->session == session) {
                    asked.push_back(std::move(*it));
                    kept->second.erase(it);
                    return asked.back().made;
                }
        // A list may hold two equal sessions of one id: each asks for its own.
        asked.push_back({session, variant, make()});
        return asked.back().made;
    }
    void endPass() { kept_ = std::exchange(asked_, {}); }
    void clear() {
        kept_.clear();
        asked_.clear();
    }

  private:
    struct Kept {
        NimbrelSession session;
        int variant;
        Made made;
    };
    std::unordered_map<Uuid, std::vector<Kept>> kept_;
    std::unordered_map<Uuid, std::vector<Kept>> asked_;
};

} // namespace nimbrel
