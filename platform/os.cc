#include "platform/os.h"

namespace platform {
namespace {
Os* g_replacement = nullptr;
}  // namespace

Os& Current() { return g_replacement != nullptr ? *g_replacement : Real(); }

void SetForTesting(Os* os) { g_replacement = os; }

}  // namespace platform
