#include "app/batch/BatchOutput.h"

#include "core/report/ListText.h"
#include "engines/embedded/ReplacementFile.h"
#include "excel/Error.h"

#include <cstdio>

namespace batch {

QByteArray formatResult(Format format, const analysis::ParetoResult& result,
                        const report::ResultSource& source) {
    switch (format) {
    case Format::Tsv:
        return report::resultText(result).toUtf8();
    case Format::Csv:
        return report::resultCsv(result).toUtf8();
    case Format::Json:
        return report::resultJson(result, source);
    }
    return {};
}

QByteArray formatGroups(Format format, const std::vector<analysis::ParetoGroup>& groups,
                        const report::ResultSource& source) {
    switch (format) {
    case Format::Tsv:
        return report::groupsText(groups).toUtf8();
    case Format::Csv:
        return report::groupsCsv(groups).toUtf8();
    case Format::Json:
        return report::groupsJson(groups, source);
    }
    return {};
}

void deliver(const QByteArray& bytes, const QString& file) {
    if (file.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        if (std::fflush(stdout) != 0)
            throw excel::Error(QStringLiteral("Output"), QStringLiteral("Could not write the result."));
        return;
    }
    try {
        embedded::ReplacementFile out(file, true);
        out.write(bytes.constData(), bytes.size());
        out.commit();
    } catch (const excel::Error& e) {
        throw excel::Error(QStringLiteral("Output"),
                           QStringLiteral("Could not write the result into \"%1\": %2.")
                               .arg(file, e.message()));
    }
}

} // namespace batch
