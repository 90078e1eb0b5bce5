#ifndef MORVA_REPORTANNOUNCEMENT_H
#define MORVA_REPORTANNOUNCEMENT_H

#include "report/reportgenerator.h"

// Tells the operator where the report is: the message on standard error,
// the full path, whatever folder was given, on standard output for the
// script that reads it; opens it when asked. False when it was not written.
bool AnnounceReport(const ReportOutcome& outcome, bool open);

#endif
