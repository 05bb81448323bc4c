// How a run, or its copy stage, ended.
#pragma once

enum class Outcome { Installed, Failed, Cancelled };
