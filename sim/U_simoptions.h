#pragma once
// The description of a virtual radio as the command line gives it:
//   MODEL[,blank][,sn=N][,bank=0|1][,converter=BYTE][,image=FILE][,link=irda|serial][,id=HEX]
//        [,hints=HEX][,fw=TEXT][,range=LOW-HIGH]...[,fault=KIND[@N]]...[,delay=MS][,baud=RATE]
// KIND is silent, late, echo, segment, crc, short or drop; @N aims it at the N-th request the
// radio receives (counted from 1), without it every request.

#include <string>
#include <string_view>

#include "U_simradio.h"

namespace sim {

// False with a message naming the offending part.
bool ParseVirtualRadio(std::string_view text, SVirtualRadioOptions& options, std::string& error);

}  // namespace sim
