// Reports of the TAVIR server applications registered in COM+: one rich-text file per application.
#pragma once
#include <string>
#include <vector>

#include "core/EventLog.h"
#include "core/WorkFolders.h"
#include "platform/Com.h"
#include "platform/FileSystem.h"

namespace kw {

struct ComPlusReportContext {
    Com& com;
    FileSystem& files;
    WorkFolders& folders;
    EventLog& log;
    EventLog& report; // the report buffer, one application at a time
};

// The applications looked for, in order.
const std::vector<std::string>& comPlusApplicationNames();
// The report file of an application: blanks become "_", then ".rtf".
std::string comPlusReportFile(const std::string& name);

// True when the catalogue's "Applications" hold the name (without regard to case). Throws ComError when
// the catalogue cannot be created or read.
bool FindComPlusApplication(Com& com, const std::string& name);
// Writes the application's report into the work folder, or an error line into the event log.
void DescribeComPlusApplication(ComPlusReportContext& context, const std::string& name);
// The COM+ step of the system section: every named application that is registered gets its report.
// A catalogue that cannot be read is logged once and ends the step.
void CollectComPlusApplications(ComPlusReportContext& context);

} // namespace kw
