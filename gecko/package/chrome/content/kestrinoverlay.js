// The extension's script: one instance per browser window and dialog that loads it.
const KR_EXTENSION_ID = "{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}";
const KR_PREF_BRANCH = "extensions.kestrin.";
const KR_ABOUT_URL = "chrome://kestrinext/content/about.xul";

var KR_observer = {
  observe: function (subject, topic, data) {
    if (topic != "Kestrin_ShowCertDialog") return;
    var mediator = Components.classes["@mozilla.org/appshell/window-mediator;1"]
                             .getService(Components.interfaces.nsIWindowMediator);
    if (mediator.getMostRecentWindow("navigator:browser") != window) return;
    BrowserPageInfo(null, "securityTab");
  }
};

function KR_ObserverService() {
  return Components.classes["@mozilla.org/observer-service;1"]
                   .getService(Components.interfaces.nsIObserverService);
}

function KR_Init() { KR_ObserverService().addObserver(KR_observer, "Kestrin_ShowCertDialog", false); }

function KR_Shut() { KR_ObserverService().removeObserver(KR_observer, "Kestrin_ShowCertDialog"); }

function KR_Prefs() {
  return Components.classes["@mozilla.org/preferences-service;1"]
                   .getService(Components.interfaces.nsIPrefService).getBranch(KR_PREF_BRANCH);
}

// The browser's certificate download dialog: accepted on the user's own preference, and never
// with trust for web sites: a downloaded authority is installed without SSL trust.
function KR_InitCertDialog() {
  var prefs = KR_Prefs();
  if (!prefs.prefHasUserValue("certDialog.blocked") || !prefs.getBoolPref("certDialog.blocked")) return;
  var trust = document.getElementById("trustSSL");
  if (trust) trust.checked = false;
  var dialog = document.getElementById("download_cert");
  try {
    dialog.acceptDialog();
  } catch (e) {
    doOK();
  }
}

var KR_aboutWindow = null;

function KR_About() {
  if (KR_aboutWindow && !KR_aboutWindow.closed) {
    KR_aboutWindow.focus();
    return;
  }
  KR_aboutWindow = window.openDialog(KR_ABOUT_URL, "", "chrome,centerscreen", KR_EXTENSION_ID);
}

function KR_Version() {
  try {
    var manager = Components.classes["@mozilla.org/extensions/manager;1"]
                            .getService(Components.interfaces.nsIExtensionManager);
    return manager.getItemForID(KR_EXTENSION_ID).version;
  } catch (e) {
    return KR_Prefs().getCharPref("currentVersion");
  }
}

function KR_initAbout() {
  document.getElementById("extensionVersion").value = "version " + KR_Version();
}

function KR_OnOkHandler() {
  if (window.arguments && window.arguments[0] == KR_EXTENSION_ID && window.opener)
    window.opener.KR_aboutWindow = null;
  return true;
}
