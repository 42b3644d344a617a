// Legacy installation for browsers that install extensions through a script.
const displayName = "Kestrin";
const name = "KestrinExt";
const version = "2.7.0.14";
const jarName = "kestrinext.jar";

var error = initInstall(displayName, name, version);
if (error != SUCCESS) {
  alert("Install failed. Error code:" + error);
  cancelInstall(error);
} else {
  var chromeFolder = getFolder("Chrome");
  error = addFile(name, version, "chrome/" + jarName, chromeFolder, null);
  if (error != SUCCESS) {
    alert("The installation of the extension failed.\n" + error + "\n" +
          "Failed to create " + jarName + "\n" + "Make sure you have the correct permissions");
    cancelInstall(error);
  } else {
    registerChrome(CONTENT | DELAYED_CHROME, getFolder(chromeFolder, jarName), "content/");
    var components = getFolder("Components");
    addFile(name, version, "components/IKestrin.xpt", components, null);
    addFile(name, version, "components/Kestrin.dll", components, null);
    error = performInstall();
    if (error == SUCCESS || error == 999) {
      alert(displayName + " " + version + " has been successfully installed.\n" + "Please restart the application.");
    } else {
      alert("Install failed. Error code:" + error);
      cancelInstall(error);
    }
  }
}
