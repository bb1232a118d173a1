#pragma once
// The lines of the text report, shared by the text output and the coverage map.
#include <string>

#include "coverage/face_measurement.h"
#include "fontio/face_name.h"

// A family name on one line: line breaks at its end are dropped, and each one
// inside it is shown as a space, so that every report has its fixed lines.
std::string FormatNameLine(const FaceName& name);

// "label：count" in the report's forms ("全52", "－", "1,000/2,136").
std::string FormatSetLine(const MeasuredSet& set);
