// The stand-in engine's record: one line per fact, appended as UTF-8 to the
// file named by %VRK_ENGINE_RECORD% (read at every line, so a test can switch
// files between cases). Without the variable nothing is written.
//
// Each line starts with the fact's name followed by key=value pairs; a value
// that may hold blanks (addresses, texts, arguments) comes last. HRESULTs and
// flags are 0x%08X, handles hex, rectangles l,t,r,b, VARIANT_BOOLs -1/0.
//   create | destroy apartment=sta|other|none   (the releasing thread's COM, none after CoUninitialize)
//   GetMiscStatus aspect= answer=        SetClientSite site=0|1     InitNew hr=
//   SetHostNames container=               SetSite site=0|1           SetExtent cx= cy=
//   SetAdvise aspects= sink=0|1           FreezeEvents freeze=       Draw bounds=
//   DoVerb verb= hr= rect=l,t,r,b|none    Close save= window=live|gone|none    Stop
//   site <operation> hr= [...]            each in-place site answer: CanInPlaceActivate,
//                                         OnInPlaceActivate(Ex), GetWindow hwnd=,
//                                         GetWindowContext pos= clip= frame= uiwindow=
//                                         accelerators=, ShowObject, OnUIActivate,
//                                         OnUIDeactivate, OnInPlaceDeactivate
//   window created hwnd= parent= rect=    window destroyed           window failed parent=
//   SetObjectRects pos= clip=
//   LockRunning lock=1|0 closes=1|0 hr= locks=<count after>
//   layout width= height= start= min= close= drag= link=   (the page's parts, client coordinates)
//   Advise sink=DWebBrowserEvents2|IDispatch|none hr= cookie=       Unadvise cookie= hr=
//   put_Silent value=    get_Silent value=    put_Visible value=
//   Navigate url= | Navigate2 url=
//   event <Name> dispid= sink=<cookie> hr= [frame=top|child|<name>] [cancel=] [...] [url=]
//                                         (NavigateError names frame=child only for a frame)
//   page code ran text=                   a script object argument was converted to a string
//   fault                                 the scenario's fault, right before it happens
//   event <Name> dispid= sinks=0 ...      (no sink connected)
//   navigation cancelled url= | navigation stalled url=
//   document host handler=0|1 commandtarget=0|1 services=0|1 url=
//                                         what the client site answered for a new document
//   SetUIHandler handler=0|1
//   GetOptionKeyPath source= hr= key=none|untouched|<key>
//   GetHostInfo source=uihandler|clientsite|none hr= flags= dblclk= size=
//   GetExternal source= hr= dispatch=0|1
//   GetIDsOfNames hr= dispid= name=
//   Invoke dispid= argc= hr= result=<variant> name= args=<variant>|<variant>...
//   Exec OLECMDID_SHOWSCRIPTERROR source= hr= out=<variant> dialog=host|engine scripts=continue|stopped message=
//   ExecWB OLECMDID_OPTICAL_ZOOM option= in=<variant>|none hr= zoom=<percent in effect after>
//                                         (a zoom set lays the page out anew: a layout line follows)
//   event FileDownload dispid=270 ... document=0 cancel=    download cancelled url=
//   QueryService source= hr= service=SID_SDownloadManager iid=IID_IDownloadManager out=set|cleared|untouched
//   Download hr= handled=host|engine url=
//   TranslateUrl source= hr= out=none|untouched|<url> followed=yes|no url=
//   FilterDataObject source= hr= replacement=none|untouched|set clipboard=engine|host|none text=
//   ShowContextMenu source= hr= menu=host|engine
//   ShowUI source= hr=
//   TranslateAccelerator msg= key= source= handler= result=
//   OnFrameWindowActivate activate=       OnDocWindowActivate activate=
//   click part=start|min|close|drag|link x= y=   (or window=none)
//   newwindow opened=engine url=          (NewWindow3 was not cancelled)
//   scenario error <reason>
// A variant is written as VT_<TYPE>:<value>, e.g. VT_I4:0x800C0005, VT_BSTR:text.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace engine {

void Record(const std::string& line);

std::string Hex(unsigned long value);  // "0x%08X"
std::string Hr(HRESULT hr);
std::string RectText(const RECT& rect);
std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);
std::string DescribeVariant(const VARIANT& value);

}  // namespace engine
