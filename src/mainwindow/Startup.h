// The start procedure: builds the platform services, opens the start window
// and runs the program until its last window closes.
#pragma once

namespace ravelin {

int m_Startup(int argc, char** argv);

} // namespace ravelin
