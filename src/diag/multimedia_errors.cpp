// Texts for the Windows multimedia result codes, for reports whose code the
// system has no text for.
#include "diag/error_report.h"

struct MultimediaError {
    int32_t code;
    const char* text;
};

static const MultimediaError kMultimediaErrors[] = {
    {1, "MMSYSERR_ERROR: unspecified error"},
    {2, "MMSYSERR_BADDEVICEID: device ID out of range"},
    {3, "MMSYSERR_NOTENABLED: driver failed enable"},
    {4, "MMSYSERR_ALLOCATED: device already allocated"},
    {5, "MMSYSERR_INVALHANDLE: device handle is invalid"},
    {6, "MMSYSERR_NODRIVER: no device driver present"},
    {7, "MMSYSERR_NOMEM: memory allocation error"},
    {8, "MMSYSERR_NOTSUPPORTED: function isn't supported"},
    {9, "MMSYSERR_BADERRNUM: error value out of range"},
    {10, "MMSYSERR_INVALFLAG: invalid flag passed"},
    {11, "MMSYSERR_INVALPARAM: invalid parameter passed"},
    {12, "MMSYSERR_HANDLEBUSY: handle being used simultaneously on another thread eg callback"},
    {13, "MMSYSERR_INVALIDALIAS: specified alias not found"},
    {14, "MMSYSERR_INVALIDALIAS: bad registry database"},
    {15, "MMSYSERR_KEYNOTFOUND: registry key not found"},
    {16, "MMSYSERR_READERROR: registry read error"},
    {17, "MMSYSERR_WRITEERROR: registry write error"},
    {18, "MMSYSERR_DELETEERROR: registry delete error"},
    {19, "MMSYSERR_VALNOTFOUND: registry value not found"},
    {20, "MMSYSERR_NODRIVERCB: driver does not call DriverCallback"},
    {21, "MMSYSERR_MOREDATA: more data to be returned"},
    {33, "WAVERR_STILLPLAYING: still something playing"},
    {34, "WAVERR_UNPREPARED: header not prepared"},
    {35, "WAVERR_SYNC: device is synchronous"},
    {64, "MIDIERR_UNPREPARED: header not prepared"},
    {65, "MIDIERR_STILLPLAYING: still something playing"},
    {66, "MIDIERR_NOMAP: no configured instruments"},
    {67, "MIDIERR_NOTREADY: hardware is still busy"},
    {68, "MIDIERR_NODEVICE: port no longer connected"},
    {69, "MIDIERR_INVALIDSETUP: invalid MIF"},
    {70, "MIDIERR_BADOPENMODE: operation unsupported w/ open mode"},
    {71, "MIDIERR_DONT_CONTINUE: thru device 'eating' a message"},
    {97, "TIMERR_NOCANDO: request not completed"},
    {129, "TIMERR_STRUCT: time struct size"},
    {165, "JOYERR_PARMS: bad parameters"},
    {166, "JOYERR_NOCANDO: request not completed"},
    {167, "JOYERR_UNPLUGGED: joystick is unplugged"},
    {257, "MMIOERR_FILENOTFOUND: file not found"},
    {258, "MMIOERR_OUTOFMEMORY: out of memory"},
    {259, "MMIOERR_CANNOTOPEN: cannot open"},
    {260, "MMIOERR_CANNOTCLOSE: cannot close"},
    {261, "MMIOERR_CANNOTREAD: cannot read"},
    {262, "MMIOERR_CANNOTWRITE: cannot write"},
    {263, "MMIOERR_CANNOTSEEK: cannot seek"},
    {264, "MMIOERR_CANNOTEXPAND: cannot expand file"},
    {265, "MMIOERR_CHUNKNOTFOUND: chunk not found"},
    {266, "MMIOERR_UNBUFFERED"},
    {267, "MMIOERR_PATHNOTFOUND: path incorrect"},
    {268, "MMIOERR_ACCESSDENIED: file was protected"},
    {269, "MMIOERR_SHARINGVIOLATION: file in use"},
    {270, "MMIOERR_NETWORKERROR: network not responding"},
    {271, "MMIOERR_TOOMANYOPENFILES: no more file handles"},
    {272, "MMIOERR_INVALIDFILE: default file error"},
    {1024, "MIXERR_INVALLINE"},
    {1025, "MIXERR_INVALCONTROL"},
    {1026, "MIXERR_INVALVALUE"},
};

const char* MultimediaErrorText(int32_t code) {
    // The whole 32-bit code is compared: an HRESULT never matches a listed value.
    for (const MultimediaError& entry : kMultimediaErrors)
        if (entry.code == code) return entry.text;
    return "MMSystem - Unspecified Error";
}
