#include "win32/services/Win32Shell.h"

#include <windows.h>

#include <cstdio>

#include "platform/ServiceFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"

namespace quibrant::win32 {

namespace {

namespace errors = platform::errors;

constexpr const char* kNoSuchMemberText = "El objeto no admite la propiedad o el método";
constexpr const char* kMemberFailed = "Falló la llamada a";
constexpr const char* kUnexpectedAnswer = "Respuesta inesperada de";
constexpr const char* kAutomationErrorText = "Error de automatización";

constexpr const wchar_t* kSpecialFolders = L"SpecialFolders";
constexpr const wchar_t* kItem = L"Item";
constexpr const wchar_t* kCreateShortcut = L"CreateShortcut";
constexpr const wchar_t* kSave = L"Save";

std::string hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

std::int32_t numberOf(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
        return failureNumber(HRESULT_CODE(result));
    }
    switch (result) {
        case E_OUTOFMEMORY:
            return errors::kOutOfMemory;
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
            return errors::kNoSuchPropertyOrMethod;
        case DISP_E_TYPEMISMATCH:
            return errors::kTypeMismatch;
        default:
            return errors::kAutomationError;
    }
}

struct ResultText {
    HRESULT result;
    const char* text;
};

constexpr ResultText kResultTexts[] = {
    {DISP_E_UNKNOWNNAME, "nombre desconocido"},
    {DISP_E_MEMBERNOTFOUND, "no existe ese miembro"},
    {DISP_E_BADPARAMCOUNT, "número de argumentos incorrecto"},
    {DISP_E_TYPEMISMATCH, "tipo de argumento incorrecto"},
    {CO_E_CLASSSTRING, "identificador de objeto no registrado"},
    {REGDB_E_CLASSNOTREG, "clase de objeto no registrada"},
    {CO_E_NOTINITIALIZED, "COM no está inicializado en este hilo"},
    {E_NOTIMPL, "no implementado"},
    {E_OUTOFMEMORY, "memoria insuficiente"},
};

// What went wrong in the system's words when the object gave none; the code
// stays in the text for whoever has to look it up.
std::string reasonOf(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
        return describeSystemError(HRESULT_CODE(result));
    }
    std::string reason = std::string(kAutomationErrorText) + " " + hex(result);
    for (const ResultText& entry : kResultTexts) {
        if (entry.result == result) {
            reason += ": " + std::string(entry.text);
        }
    }
    return reason;
}

platform::Failure comFailure(HRESULT result, const std::string& what, const std::wstring& member,
                             const std::string& reason = "") {
    return platform::Failure(
        numberOf(result),
        what + " " + narrow(member) + " (" + (reason.empty() ? reasonOf(result) : reason) + ")");
}

// The error an object raised inside Invoke, and its description in the
// object's own words when it gave any; frees what the object handed over.
HRESULT takeException(EXCEPINFO& exception, std::wstring& description) {
    if (exception.pfnDeferredFillIn != nullptr) {
        exception.pfnDeferredFillIn(&exception);
    }
    if (exception.bstrDescription != nullptr) {
        description.assign(exception.bstrDescription, SysStringLen(exception.bstrDescription));
    }
    HRESULT result = exception.scode;
    if (result == S_OK) {
        result = exception.wCode != 0 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, exception.wCode)
                                      : DISP_E_EXCEPTION;
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    exception = EXCEPINFO{};
    return result;
}

DISPID memberId(IDispatch* object, const std::wstring& name) {
    // GetIDsOfNames takes a non-const array of names; it only reads it.
    std::wstring copy = name;
    LPOLESTR names[] = {copy.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result)) {
        throw comFailure(result, kNoSuchMemberText, name);
    }
    return id;
}

// Calls a member by name with at most one argument and puts its result in
// `answer`. Answers false when the call ended with `tolerated`, a failure the
// caller gives a meaning of its own; throws for every other failure.
bool invoke(IDispatch* object, const std::wstring& member, WORD kind, Variant* argument,
            Variant& answer, HRESULT tolerated = S_OK) {
    const DISPID id = memberId(object, member);
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    if (argument != nullptr) {
        parameters.rgvarg = argument->get();
        parameters.cArgs = 1;
    }
    if (kind == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &namedPut;
        parameters.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                          kind == DISPATCH_PROPERTYPUT ? nullptr : answer.get(),
                                          &exception, &badArgument);
    if (SUCCEEDED(result)) {
        return true;
    }
    // Objects report their own errors through the exception record; the
    // dispatcher reports the rest (no such member, wrong arguments) itself.
    HRESULT failure = result;
    std::wstring description;
    if (result == DISP_E_EXCEPTION) {
        failure = takeException(exception, description);
    }
    if (failure == tolerated) {
        return false;
    }
    throw comFailure(failure, kMemberFailed, member, narrow(description));
}

// The object a member answered, with a reference of our own.
ComPtr<IDispatch> objectOf(Variant& answer, const std::wstring& member) {
    ComPtr<IDispatch> object;
    if (answer.type() == VT_DISPATCH && V_DISPATCH(answer.get()) != nullptr) {
        object.attach(V_DISPATCH(answer.get()));
        object->AddRef();
    }
    if (!object) {
        throw comFailure(DISP_E_TYPEMISMATCH, kUnexpectedAnswer, member);
    }
    return object;
}

std::string textOf(Variant& answer, const std::wstring& member) {
    if (answer.type() == VT_EMPTY || answer.type() == VT_NULL) {
        return "";
    }
    Variant text;
    const HRESULT result = VariantChangeType(text.get(), answer.get(), 0, VT_BSTR);
    if (FAILED(result)) {
        throw comFailure(result, kUnexpectedAnswer, member);
    }
    const BSTR value = V_BSTR(text.get());
    return value ? narrow(std::wstring_view(value, SysStringLen(value))) : "";
}

class Win32Shortcut : public platform::ShortcutObject {
  public:
    explicit Win32Shortcut(ComPtr<IDispatch> shortcut) : shortcut_(std::move(shortcut)) {}

    void setProperty(const std::string& name, const std::string& value) override {
        Variant argument(widen(value));
        Variant unused;
        invoke(shortcut_.get(), widen(name), DISPATCH_PROPERTYPUT, &argument, unused);
    }

    void Save() override {
        Variant unused;
        invoke(shortcut_.get(), kSave, DISPATCH_METHOD, nullptr, unused);
    }

  private:
    ComPtr<IDispatch> shortcut_;
};

class Win32ShellObject : public platform::ShellObject {
  public:
    explicit Win32ShellObject(ComPtr<IDispatch> shell) : shell_(std::move(shell)) {}

    std::string SpecialFolders(const std::string& name) override {
        // The property is a collection; its Item answers one folder, an
        // empty string for a name it does not know. Some implementations
        // answer "not implemented" for such a name instead: no folder either.
        Variant collection;
        invoke(shell_.get(), kSpecialFolders, DISPATCH_PROPERTYGET, nullptr, collection);
        const ComPtr<IDispatch> folders = objectOf(collection, kSpecialFolders);
        Variant argument(widen(name));
        Variant folder;
        if (!invoke(folders.get(), kItem, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &argument, folder,
                    E_NOTIMPL)) {
            return "";
        }
        return textOf(folder, kItem);
    }

    std::unique_ptr<platform::ShortcutObject> CreateShortCut(const std::string& path) override {
        Variant argument(widen(path));
        Variant answer;
        invoke(shell_.get(), kCreateShortcut, DISPATCH_METHOD, &argument, answer);
        return std::make_unique<Win32Shortcut>(objectOf(answer, kCreateShortcut));
    }

  private:
    ComPtr<IDispatch> shell_;
};

}  // namespace

std::unique_ptr<platform::ShellObject> Win32ShellFactory::createObject(const std::string& progId) {
    const std::wstring name = widen(progId);
    CLSID classId{};
    HRESULT result = name.empty() ? CO_E_CLASSSTRING : CLSIDFromProgID(name.c_str(), &classId);
    ComPtr<IDispatch> shell;
    if (SUCCEEDED(result)) {
        result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, shell.putVoid());
    }
    if (FAILED(result) || !shell) {
        throw platform::Failure(
            result == E_OUTOFMEMORY ? errors::kOutOfMemory : errors::kCannotCreateObject,
            std::string(platform::failures::kCannotCreateObject) + " " + progId + " (" +
                reasonOf(result) + ")");
    }
    return std::make_unique<Win32ShellObject>(std::move(shell));
}

}  // namespace quibrant::win32
