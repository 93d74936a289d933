#include "support/Backends.h"

#include "excel/RunningApplications.h"
#include "engines/embedded/EmbeddedHost.h"

#ifdef TALLYVANE_CONFORMANCE_UNO
#include "support/OfficeDocuments.h"
#include "engines/uno/UnoHost.h"
#endif

namespace testsupport {

const char* conformanceBackend() {
#ifdef TALLYVANE_CONFORMANCE_UNO
    return "uno";
#else
    return "embedded";
#endif
}

std::shared_ptr<excel::Application> attachBackend(const std::string& backend,
                                                  const QString& path) {
    if (backend == "embedded") {
        embedded::registerEmbeddedProvider();
        return excel::activeApplication(path);
    }
#ifdef TALLYVANE_CONFORMANCE_UNO
    if (backend == "uno") {
        uno::registerUnoProvider();
        office::loadHidden(path);
        return excel::activeApplication(path);
    }
#endif
    return nullptr;
}

void releaseBackend(const std::string& backend, const QString& path) {
#ifdef TALLYVANE_CONFORMANCE_UNO
    if (backend == "uno")
        office::close(path);
#else
    (void)backend;
    (void)path;
#endif
}

} // namespace testsupport
