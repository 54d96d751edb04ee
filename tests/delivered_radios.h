#pragma once
// The delivered plug-ins as a test or a benchmark reaches them: loaded once per process, the way
// the program loads them, and each model's radio by its description ("ALDER").

#include <stdexcept>
#include <string>

#include "U_modules.h"

inline CModules& DeliveredModules() {
#if defined(TESSEL_TEST_MODULE_ROOT)
    static CModules modules(TESSEL_TEST_MODULE_ROOT);
#else
    static CModules modules(TESSEL_BENCH_MODULE_ROOT);
#endif
    return modules;
}

// A model missing from the build fails loudly instead of testing nothing.
inline IRadio& DeliveredRadio(const std::string& model) {
    for (IRadio* radio : RadioList(DeliveredModules()))
        if (radio->Ware()->Description() == model) return *radio;
    throw std::logic_error("no plug-in for " + model);
}
