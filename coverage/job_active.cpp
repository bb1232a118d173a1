#include "coverage/job_active.h"

std::atomic<int32_t> JobActive{1};
