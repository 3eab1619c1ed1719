// Installs the page's service worker, which keeps the page's files for
// playing with the network off after one visit.
'use strict';
if ('serviceWorker' in navigator && window.isSecureContext) {
  window.addEventListener('load', () => {
    navigator.serviceWorker.register('sw.js').catch((error) => console.warn('No offline copy: ' + error.message));
  });
}
