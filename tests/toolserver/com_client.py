#!/usr/bin/env python3
"""A client of the tool server written in Python, with nothing but ctypes.

It does what any COM client does: registers the module, reads the registry
file for the class behind the ProgID and its module, loads that module, asks
its class factory for the object's IDispatch, reads the six operations, their
DISPIDs and parameters from the object's type information, and calls every
operation through Invoke with VARIANTs of its own (the standard 24-byte
layout). The modal windows are answered by a test library, as the C++ tests
answer them.

usage: com_client.py LIBQGHELPER LIBMODAL_ANSWERS QGHELPER CARTRIDGE_IMAGE
(the last two make the league the single game dialog lists)
"""

import ctypes
import os
import subprocess
import sys
import tempfile
import uuid
from ctypes import (CFUNCTYPE, POINTER, Structure, Union, byref, c_char_p, c_int, c_int16, c_int32, c_uint8,
                    c_uint16, c_uint32, c_void_p)

HRESULT = c_int32
S_OK = 0
S_FALSE = 1
DISP_E_TYPEMISMATCH = 0x80020005

VT_I4, VT_BSTR, VT_INT, VT_VOID, VT_PTR, VT_BYREF = 3, 8, 22, 24, 26, 0x4000
TKIND_DISPATCH = 4
PARAMFLAG_FIN, PARAMFLAG_FOUT = 1, 2
DISPATCH_METHOD = 1
MEMBERID_NIL = -1


class GUID(Structure):
    _fields_ = [("data1", c_uint32), ("data2", c_uint16), ("data3", c_uint16), ("data4", c_uint8 * 8)]

    @staticmethod
    def of(text):
        return GUID.from_buffer_copy(uuid.UUID(text).bytes_le)

    def text(self):
        return "{" + str(uuid.UUID(bytes_le=bytes(self))).upper() + "}"


class VARIANT(Structure):
    class Value(Union):
        _fields_ = [("lVal", c_int32), ("byref", c_void_p), ("record", c_void_p * 2)]

    _anonymous_ = ("value",)
    _fields_ = [("vt", c_uint16), ("reserved1", c_uint16), ("reserved2", c_uint16), ("reserved3", c_uint16),
                ("value", Value)]


class DISPPARAMS(Structure):
    _fields_ = [("rgvarg", POINTER(VARIANT)), ("rgdispidNamedArgs", POINTER(c_int32)), ("cArgs", c_uint32),
                ("cNamedArgs", c_uint32)]


class TYPEDESC(Structure):
    pass


TYPEDESC._fields_ = [("lptdesc", POINTER(TYPEDESC)), ("vt", c_uint16)]


class PARAMDESC(Structure):
    _fields_ = [("pparamdescex", c_void_p), ("wParamFlags", c_uint16)]


class ELEMDESC(Structure):
    _fields_ = [("tdesc", TYPEDESC), ("paramdesc", PARAMDESC)]


class FUNCDESC(Structure):
    _fields_ = [("memid", c_int32), ("lprgscode", c_void_p), ("lprgelemdescParam", POINTER(ELEMDESC)),
                ("funckind", c_int32), ("invkind", c_int32), ("callconv", c_int32), ("cParams", c_int16),
                ("cParamsOpt", c_int16), ("oVft", c_int16), ("cScodes", c_int16), ("elemdescFunc", ELEMDESC),
                ("wFuncFlags", c_uint16)]


class TYPEATTR(Structure):
    _fields_ = [("guid", GUID), ("lcid", c_uint32), ("dwReserved", c_uint32), ("memidConstructor", c_int32),
                ("memidDestructor", c_int32), ("lpstrSchema", c_void_p), ("cbSizeInstance", c_uint32),
                ("typekind", c_int32), ("cFuncs", c_uint16), ("cVars", c_uint16), ("cImplTypes", c_uint16),
                ("cbSizeVft", c_uint16), ("cbAlignment", c_uint16), ("wTypeFlags", c_uint16),
                ("wMajorVerNum", c_uint16), ("wMinorVerNum", c_uint16), ("tdescAlias", TYPEDESC),
                ("idldescType", PARAMDESC)]


IID_IClassFactory = GUID.of("{00000001-0000-0000-C000-000000000046}")
IID_IDispatch = GUID.of("{00020400-0000-0000-C000-000000000046}")
IID_NULL = GUID()
IID_IQuoziHelper = "{D078A12F-54F6-4C1E-A8CE-98B38122DEC0}"
PROG_ID = "Qghelper.QuoziHelper"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def code(result):
    return result & 0xFFFFFFFF


def method(obj, slot, *argtypes):
    """The interface slot `slot` of obj as a callable (this pointer first)."""
    table = ctypes.cast(obj, POINTER(POINTER(c_void_p)))[0]
    function = CFUNCTYPE(HRESULT, c_void_p, *argtypes)(table[slot])
    return lambda *args: function(obj, *args)


def release(obj):
    table = ctypes.cast(obj, POINTER(POINTER(c_void_p)))[0]
    return CFUNCTYPE(c_uint32, c_void_p)(table[2])(obj)


class Texts:
    """BSTRs through the module's own SysAllocString and SysFreeString."""

    def __init__(self, module):
        self.alloc = module.SysAllocStringLen
        self.alloc.restype, self.alloc.argtypes = c_void_p, [c_char_p, c_uint32]
        self.length = module.SysStringLen
        self.length.restype, self.length.argtypes = c_uint32, [c_void_p]
        self.free = module.SysFreeString
        self.free.restype, self.free.argtypes = None, [c_void_p]

    def make(self, text):
        data = text.encode("utf-16-le")
        return self.alloc(data, len(data) // 2)

    def take(self, bstr):
        """The text of a BSTR handed out by the module, which is then freed; None for a null BSTR."""
        if not bstr:
            return None
        text = ctypes.string_at(bstr, self.length(bstr) * 2).decode("utf-16-le")
        self.free(bstr)
        return text


def read_registry(path):
    """Keys (lower case) -> {value name (lower case): value}."""
    keys, current = {}, None
    with open(path, encoding="utf-8") as registry:
        for line in registry.read().splitlines():
            line = line.rstrip("\r")
            if line.startswith("[") and line.endswith("]"):
                current = keys.setdefault(line[1:-1].lower(), {})
            elif current is not None and "=" in line:
                name, value = line.split("=", 1)
                current[name.lower()] = value
    return keys


def create_object(registry_path):
    """The object's IDispatch, made as COM makes it: ProgID -> CLSID -> module -> class factory."""
    keys = read_registry(registry_path)
    root = "hkey_classes_root\\"
    prog_id = PROG_ID.lower()
    if root + prog_id + "\\clsid" not in keys:
        prog_id = keys[root + prog_id + "\\curver"]["@"].lower()
    clsid_text = keys[root + prog_id + "\\clsid"]["@"]
    server = keys[root + "clsid\\" + clsid_text.lower() + "\\inprocserver32"]
    check(server.get("threadingmodel") == "Apartment", "the class is registered for the apartment model")
    check(root + "typelib\\" + "{4852C9B1-B835-4F58-B5A9-13DA32C58673}".lower() + "\\1.0" in keys,
          "the type library is registered")
    module = ctypes.CDLL(server["@"])
    get_class_object = module.DllGetClassObject
    get_class_object.restype, get_class_object.argtypes = HRESULT, [POINTER(GUID), POINTER(GUID), POINTER(c_void_p)]
    factory = c_void_p()
    clsid = GUID.of(clsid_text)
    check(get_class_object(byref(clsid), byref(IID_IClassFactory), byref(factory)) == S_OK, "DllGetClassObject")
    dispatch = c_void_p()
    create = method(factory, 3, c_void_p, POINTER(GUID), POINTER(c_void_p))
    check(create(None, byref(IID_IDispatch), byref(dispatch)) == S_OK, "CreateInstance of IDispatch")
    release(factory)
    return module, dispatch


def operations_of(type_info, texts):
    """name -> (DISPID, [(parameter name, VARIANT type it takes, flags)]) read through ITypeInfo."""
    attributes = POINTER(TYPEATTR)()
    check(method(type_info, 3, POINTER(POINTER(TYPEATTR)))(byref(attributes)) == S_OK, "GetTypeAttr")
    attr = attributes.contents
    check(attr.guid.text() == IID_IQuoziHelper, "the type information is IQuoziHelper's: " + attr.guid.text())
    check(attr.typekind == TKIND_DISPATCH, "a dispatch interface")
    function_count = attr.cFuncs
    method(type_info, 19, POINTER(TYPEATTR))(attributes)  # ReleaseTypeAttr

    operations = {}
    for index in range(function_count):
        function = POINTER(FUNCDESC)()
        check(method(type_info, 5, c_uint32, POINTER(POINTER(FUNCDESC)))(index, byref(function)) == S_OK,
              "GetFuncDesc %d" % index)
        described = function.contents
        names = (c_void_p * 8)()
        count = c_uint32()
        check(method(type_info, 7, c_int32, POINTER(c_void_p), c_uint32, POINTER(c_uint32))(
            described.memid, names, 8, byref(count)) == S_OK, "GetNames")
        taken = [texts.take(names[i]) for i in range(count.value)]
        check(count.value == described.cParams + 1, "a name for the operation and each parameter")
        parameters = []
        for p in range(described.cParams):
            element = described.lprgelemdescParam[p]
            kind = element.tdesc.vt
            if kind == VT_PTR:
                kind = element.tdesc.lptdesc.contents.vt | VT_BYREF
            parameters.append((taken[p + 1], kind, element.paramdesc.wParamFlags))
        operations[taken[0]] = (described.memid, parameters)
        method(type_info, 20, POINTER(FUNCDESC))(function)  # ReleaseFuncDesc

    name, documentation = c_void_p(), c_void_p()
    check(method(type_info, 12, c_int32, POINTER(c_void_p), POINTER(c_void_p), c_void_p, c_void_p)(
        MEMBERID_NIL, byref(name), byref(documentation), None, None) == S_OK, "GetDocumentation")
    check((texts.take(name.value), texts.take(documentation.value)) == ("IQuoziHelper", "IQuoziHelper Interface"),
          "the interface's name and help text")
    return operations


class Call:
    """One Invoke: VARIANTs made from the parameters the type information gives."""

    def __init__(self, texts, parameters, values, number_type):
        self.texts = texts
        self.variants = (VARIANT * max(len(parameters), 1))()
        self.outputs = []
        self.owned = []
        for i, ((_, kind, _), value) in enumerate(zip(parameters, values)):
            variant = self.variants[len(parameters) - 1 - i]  # COM passes the last argument first
            if kind == VT_BSTR:
                variant.vt, variant.byref = VT_BSTR, texts.make(value)
                self.owned.append(variant.byref)
            elif kind == VT_BSTR | VT_BYREF:
                box = c_void_p(None)
                variant.vt, variant.byref = kind, ctypes.addressof(box)
                self.outputs.append(("text", box))
            else:
                check(kind == VT_INT | VT_BYREF, "int out-parameters are described as VT_INT")
                box = c_int32(value)
                variant.vt, variant.byref = number_type | VT_BYREF, ctypes.addressof(box)
                self.outputs.append(("number", box))
        self.params = DISPPARAMS(self.variants, None, len(parameters), 0)

    def run(self, dispatch, dispid):
        invoke = method(dispatch, 6, c_int32, POINTER(GUID), c_uint32, c_uint16, POINTER(DISPPARAMS), c_void_p,
                        c_void_p, POINTER(c_uint32))
        wrong = c_uint32(99)
        result = invoke(dispid, byref(IID_NULL), 0, DISPATCH_METHOD, byref(self.params), None, None, byref(wrong))
        for text in self.owned:
            self.texts.free(text)
        outputs = [self.texts.take(box.value) if kind == "text" else box.value for kind, box in self.outputs]
        return code(result), outputs, wrong.value


def main():
    module_path, answers_path, qghelper, image = sys.argv[1:5]
    check(ctypes.sizeof(VARIANT) == 24 and ctypes.sizeof(FUNCDESC) == 88 and ctypes.sizeof(TYPEATTR) == 96,
          "the LP64 COM layouts")
    scratch = tempfile.TemporaryDirectory()
    os.environ["XDG_CONFIG_HOME"] = os.path.join(scratch.name, "config")
    work = os.path.join(scratch.name, "work")
    os.makedirs(work)
    os.chdir(work)
    subprocess.run([qghelper, "import-rom", ".", "--image", image, "--league", "Python League", "--teams", "1,2"],
                   check=True, stdout=subprocess.DEVNULL)

    answers = ctypes.CDLL(answers_path)
    answers.qgu_answers_on.argtypes = [c_char_p, c_int]
    answers.qgu_answers_seen.restype = c_char_p
    answers.qgu_answers_problems.restype = c_char_p
    answers.qgu_answers_start()

    loader = ctypes.CDLL(module_path)
    loader.DllRegisterServer.restype = HRESULT
    check(loader.DllRegisterServer() == S_OK, "DllRegisterServer")
    registry = os.path.join(os.environ["XDG_CONFIG_HOME"], "qgu", "registry.ini")
    module, dispatch = create_object(registry)
    texts = Texts(module)

    count = c_uint32(9)
    check(method(dispatch, 3, POINTER(c_uint32))(byref(count)) == S_OK and count.value == 1, "GetTypeInfoCount")
    type_info = c_void_p()
    check(method(dispatch, 4, c_uint32, c_uint32, POINTER(c_void_p))(0, 0, byref(type_info)) == S_OK, "GetTypeInfo")
    if not type_info.value:
        return 1
    operations = operations_of(type_info, texts)
    release(type_info)
    check({name: dispid for name, (dispid, _) in operations.items()} ==
          {"SelectTeams": 1, "DisplayEOGStats": 2, "ImportRom": 3, "EditTeams": 4, "ShowAbout": 5, "ShowMain": 6},
          "the six operations and their DISPIDs: %s" % operations)
    check([p[0] for p in operations["ShowMain"][1]] ==
          ["selection", "home", "away", "qtrlen", "homecontrol", "awaycontrol", "weather"], "ShowMain's parameters")
    check([p[2] for p in operations["ShowMain"][1]] == [PARAMFLAG_FIN] * 6 + [PARAMFLAG_FOUT],
          "only ShowMain's weather is marked out")
    check(all(p[2] == PARAMFLAG_FOUT for p in operations["SelectTeams"][1]), "SelectTeams has only out-parameters")

    # The DISPIDs again, by name through IDispatch.
    get_ids = method(dispatch, 5, POINTER(GUID), POINTER(c_void_p), c_uint32, c_uint32, POINTER(c_int32))
    for name, (dispid, parameters) in operations.items():
        wanted = [name] + [p[0] for p in parameters]
        buffers = [ctypes.create_string_buffer((n + "\0").encode("utf-16-le")) for n in wanted]
        pointers = (c_void_p * len(wanted))(*[ctypes.addressof(b) for b in buffers])
        found = (c_int32 * len(wanted))()
        check(get_ids(byref(IID_NULL), pointers, len(wanted), 0, found) == S_OK and
              list(found) == [dispid] + list(range(len(parameters))), "GetIDsOfNames of " + name)

    def invoke(name, values, number_type=VT_INT):
        dispid, parameters = operations[name]
        return Call(texts, parameters, values, number_type).run(dispatch, dispid)

    # A number where a text belongs is refused, naming the argument.
    dispid, _ = operations["ImportRom"]
    result, _, wrong = Call(texts, [("current_dir", VT_INT | VT_BYREF, 0)], [3], VT_I4).run(dispatch, dispid)
    check(result == DISP_E_TYPEMISMATCH and wrong == 0, "a number for a text is a type mismatch (%x)" % result)

    answers.qgu_answers_on(b"Single Game", 2)  # "Q u i t"
    result, out, _ = invoke("SelectTeams", [None, None, 0, -1, -1, -1])
    check(result == S_OK, "SelectTeams through Invoke: %x" % result)
    check(out[:3] == ["", "", 5] and all(0 <= n <= 2 for n in out[3:]),
          "after Quit: no teams, the quarter length 5, controls and weather as shown: %s" % out)

    answers.qgu_answers_on(b"", 1)  # "Done"
    result, _, _ = invoke("DisplayEOGStats", ["HAWKS|amosBRANDT|20|10|1|1|150|", "OWLS|", "24", "7"])
    check(result == S_OK, "DisplayEOGStats through Invoke: %x" % result)

    answers.qgu_answers_on(b"Open", 0)  # the image file dialog, cancelled
    check(invoke("ImportRom", [work])[0] == S_OK, "ImportRom through Invoke")
    answers.qgu_answers_on(b"Edit Teams", 0)  # the league list, closed
    check(invoke("EditTeams", [work])[0] == S_OK, "EditTeams through Invoke")
    answers.qgu_answers_on(b"About.... Quozi Gridcrown Ultra", 0)
    check(invoke("ShowAbout", [])[0] == S_OK, "ShowAbout through Invoke")

    answers.qgu_answers_on(b"Quozi Gridcrown ULTRA", 1004)  # "E x i t"
    result, out, _ = invoke("ShowMain", [5, None, None, 33, 33, 33, 33], VT_I4)
    check(result == S_OK, "ShowMain through Invoke, the numbers as VT_I4: %x" % result)
    check(out == [-1, None, None, 33, 33, 33, 33], "ShowMain after Exit: -1, the rest untouched: %s" % out)

    seen = answers.qgu_answers_seen().decode("utf-8")
    check(answers.qgu_answers_finished() == 1,
          "every window answered, none left open:\n" + answers.qgu_answers_problems().decode("utf-8"))
    check(": 377=HAWKS 378=OWLS 379=QUOZI GRIDCROWN ULTRA NEWS 380=24 381=7" in seen,
          "the report showed the texts passed in:\n" + seen)

    check(release(dispatch) == 0, "the last reference goes")
    module.DllCanUnloadNow.restype = HRESULT
    check(module.DllCanUnloadNow() == S_OK, "nothing keeps the module")
    loader.DllUnregisterServer.restype = HRESULT
    check(loader.DllUnregisterServer() == S_OK and not os.path.exists(registry), "unregistering removes the file")
    answers.qgu_answers_stop()
    os.chdir(scratch.name)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
