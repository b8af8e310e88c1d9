// The site installs as an app and plays offline through its service worker, which keeps a
// copy of every file of this release. Where service workers are not offered (a page opened
// from a file, a private window in some browsers) the game simply plays online.
export function keepForOffline(workerScript) {
  if (!workerScript || !navigator.serviceWorker) return;
  navigator.serviceWorker.register(workerScript).catch(error => {
    console.info(`kestal: no offline copy (${error.message})`);
  });
}
