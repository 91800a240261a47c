#pragma once
// Benchmark preparation and launch: everything the RUN button and the preset
// buttons of the Custom Config tab do.
#include "bench/choices.h"
#include "bench/level_files.h"
#include "bench/levels.h"
#include "bench/presets.h"
#include "bench/run_command.h"
#include "bench/run_files.h"
#include "bench/run_record.h"
#include "bench/script_chain.h"
