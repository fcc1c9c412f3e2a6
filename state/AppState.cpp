#include "state/AppState.h"

namespace {

// A union's member is destroyed only by the union's own destructor, which
// here does nothing.
union Lifelong {
    Lifelong() : state{} {}
    ~Lifelong() {}
    AppState state;
};

Lifelong g_lifelong;

}  // namespace

AppState& g_app = g_lifelong.state;
