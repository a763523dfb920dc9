#pragma once

// Every reader and writer of track files, for a file that uses many of them;
// each format has its own header beside this one, and format_common.h holds
// what they share.

#include "track/formats/fit_reader.h"
#include "track/formats/format_common.h"
#include "track/formats/gdb_reader.h"
#include "track/formats/gpx_reader.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/kml_reader.h"
#include "track/formats/nmea_reader.h"
#include "track/formats/tcx_reader.h"
#include "track/formats/text_track_reader.h"
#include "track/formats/trb_format.h"
#include "track/formats/trl_reader.h"
#include "track/formats/vkx_reader.h"
