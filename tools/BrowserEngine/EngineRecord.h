// The stand-in engine's record: one line per fact, appended as UTF-8 to the
// file named by %VRK_ENGINE_RECORD% (read at every line, so a test can switch
// files between cases). Without the variable nothing is written.
//
// Each line starts with the fact's name followed by key=value pairs; a value
// that may hold blanks (addresses, texts, arguments) comes last. Lines:
//   create / destroy
//   GetMiscStatus answer=0x<hex>
//   SetClientSite site=<0|1>                  InitNew hr=0x<hex>
//   SetSite site=<0|1>                        SetHostNames container=<text>
//   SetExtent cx=<himetric> cy=<himetric>     Close save=<n>
//   DoVerb verb=<n> hr=0x<hex>
//   site <operation> hr=0x<hex> [...]         every answer of the in-place site
//   window created hwnd=<hex> parent=<hex> rect=<l,t,r,b>
//   SetObjectRects pos=<l,t,r,b> clip=<l,t,r,b>
//   layout width= height= start=<l,t,r,b> min=... close=... drag=... link=...
//   Advise sink=<DWebBrowserEvents2|IDispatch|none> hr= cookie=    Unadvise cookie= hr=
//   put_Silent value=<-1|0>   get_Silent value=   put_Visible value=
//   Navigate2 url=<address>
//   event <Name> dispid=<n> sink=<cookie> hr=0x<hex> [cancel=<-1|0>] [...] [url=<address>]
//   navigation cancelled|stalled url=<address>
//   SetUIHandler handler=<0|1>
//   GetHostInfo source=<uihandler|clientsite|none> hr= flags=0x<hex> dblclk=<n>
//   GetExternal source= hr= dispatch=<0|1>
//   GetIDsOfNames hr= dispid=<n> name=<name>
//   Invoke dispid= argc= hr= result=<variant> name=<name> args=<variant>|<variant>...
//   Exec OLECMDID_SHOWSCRIPTERROR source= hr= out=<variant> scripts=<continue|stopped> message=<text>
//   QueryService source= hr= service=SID_SDownloadManager iid=IID_IDownloadManager
//   Download hr= url=<address>
//   ShowContextMenu source= hr= menu=<host|engine>
//   ShowUI source= hr=    TranslateAccelerator msg=0x<hex> key=0x<hex> handler=0x<hex> result=0x<hex>
//   click part=<name> x= y=
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
